create trigger t before delete on x begin select end; end;;;-- x
